%header
%escape csv
%job
job-name
%layout
{}
