%header
%job
job-identifier
*submission-time "%s %H:%M:%S %Z"
%layout
{} {}
