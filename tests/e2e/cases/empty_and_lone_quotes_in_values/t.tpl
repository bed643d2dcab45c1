%header
%job
job-name
user-name
job-type
%layout
[{}][{-2}][{2}]
