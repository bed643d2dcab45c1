job-name
