%header
%job
job-identifier
user-name
job-name
%layout
{99999999999}|{-5.5}|{.99999999999}|
