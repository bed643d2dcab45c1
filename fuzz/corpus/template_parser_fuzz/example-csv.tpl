! csv.tpl: comma-separated export with a header line, for spreadsheets.
!   jobview -t examples/csv.tpl -M NA examples/sample.log > jobs.csv
! An empty field {} prints the whole value, neither padded nor cut. A missing
! attribute prints the fill, 26 question marks unless -M gives another text;
! the job name is quoted since it may hold commas (a double quote in a name
! is not doubled).
%header
job,owner,type,sheets,documents,submitted,completed,state,name
%job
job-identifier
user-name
job-type
media-sheets-completed
number-of-documents
*submission-time "%Y-%m-%d %H:%M:%S"
*completion-time "%Y-%m-%d %H:%M:%S"
job-state-reasons
job-name
%layout
{},{},{},{},{},{},{},{},"{}"
