! csv.tpl: one row of comma-separated values per job, under a header row,
! for spreadsheets and databases:
!   jobview -t examples/csv.tpl examples/sample.log > jobs.csv
!   sqlite3 jobs.db '.import --csv jobs.csv jobs'
! Each value is written as a CSV field: in double quotes when it holds a
! comma, semicolon, quote, tab or line end. A value that a job lacks, a time
! included, is an empty field, whatever -M says, so the columns stay in place;
! so is a time that cannot be read. The last column, the log's identification
! stamp, tells devices apart: with the job number it is a key unique across them.
! Documents are not shown: this template has no document section.
%header
job,owner,type,sheets,documents,submitted,completed,state,name,stamp
%escape csv
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
log-stamp
%layout
{},{},{},{},{},{},{},{},{},{}
