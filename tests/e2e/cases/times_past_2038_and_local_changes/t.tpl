%header
%job
job-identifier
*completion-time "%s %Y-%m-%d %H:%M:%S"
*completion-time "%Z|%-12s|%_12s|%012s|%Es|%%s|%A %j|%3s"
%layout
{2} {} {}
