%header
%job
job-identifier
$job-identifier "<$>"
user-name
job-name
%layout
[{4}][{-6}][{-6}][{-8}]
