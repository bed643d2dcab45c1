%header
H
%job
job-identifier
user-name
%layout
{3}|{-5.5}|
