%header
%job
job-identifier
u
%layout
{}|{}|
