%header
H
%job
job-identifier
%layout
{1}
