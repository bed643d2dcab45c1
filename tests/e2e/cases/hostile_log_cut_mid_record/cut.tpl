%header
%job
job-identifier
user-name
job-name
%layout
{3} {-3} {-6.6}
