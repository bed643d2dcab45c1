%header
%job
job-identifier
*submission-time "%Y-%m-%d %H:%M:%S"
%layout
{1} {}
