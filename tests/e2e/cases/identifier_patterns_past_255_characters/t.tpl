%header
%job
$job-identifier "$$"
$job-identifier "#$$"
%layout
{}|
{}|
