! documents.tpl: each job on one line, its documents listed under it.
!   jobview -t examples/documents.tpl examples/sample.log
%header
Job          Owner            Docs  Name
  Document Name                     Format                   Sheets  Finished
%job
! The pattern "$:#" shows the record's whole identifier, prefix and number.
$job-identifier "$:#"
user-name
number-of-documents
job-name
%layout
{-12.12} {-16.16} {4.4}  {.60}
! A document's identifier number is its job's number, a dot and its own.
%document
job-identifier
document-name
document-format
media-sheets-completed
*completion-time "%H:%M:%S"
%layout
  {-8.8} {-24.24} {-24.24} {6.6}  {8}
