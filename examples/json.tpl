! json.tpl: JSON Lines, one object per job and one per document, each on a
! line of its own; "record" tells which:
!   jobview -t examples/json.tpl examples/sample.log > jobs.jsonl
! Each value is written as a JSON string, a value that a record lacks (or a
! time that cannot be read) as null. "stamp" is the log's identification
! stamp: with the job or document number, a key unique across devices.
! The braces of JSON are text of the layout here, so < and > mark the fields.
! A job's documents follow it.
%header
%escape json
%job
job-identifier
log-stamp
user-name
job-type
media-sheets-completed
number-of-documents
*submission-time "%Y-%m-%d %H:%M:%S"
*completion-time "%Y-%m-%d %H:%M:%S"
job-state-reasons
job-name
%layout < >
{"record":"job","job":<>,"stamp":<>,"owner":<>,"type":<>,"sheets":<>,"documents":<>,"submitted":<>,"completed":<>,"state":<>,"name":<>}
%document
job-identifier
log-stamp
document-name
document-format
media-sheets-completed
*completion-time "%Y-%m-%d %H:%M:%S"
document-state-reasons
%layout
{"record":"document","document":<>,"stamp":<>,"name":<>,"format":<>,"sheets":<>,"completed":<>,"state":<>}
