%header
%job
*completion-time "%s %H:%M:%S"
%layout
{}
