! Every kind of item as comma-separated values; the repeated states take
! a column each, and a document is a row of its own.
%header
job,ref,owner,name,sheets,submitted,completed,states...,type
%escape csv
%job
job-identifier
$job-identifier "$ #"
user-name
job-name
media-sheets-completed
*submission-time "%Y-%m-%d %H:%M"
*completion-time "%Y-%m-%d %H:%M"
+job-state-reasons
job-type
%layout
{},{},{-12.12},{.12},{3},{},{},{},{}
%document
job-identifier
document-name
media-sheets-completed
%layout
{},{},{}
