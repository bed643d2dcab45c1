%header
[1mJob  Owner[0m
%job
job-identifier
user-name
job-name
%layout
{-4} {-16} {}
