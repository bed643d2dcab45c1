%header
%job
job-name
user-name
%escape json
job-name
%escape none
%layout
{}|{}|{}
