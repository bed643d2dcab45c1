%header
%job
job-identifier
user-name
%layout
{3} {}
