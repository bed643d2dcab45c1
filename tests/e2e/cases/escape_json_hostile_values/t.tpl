! Every kind of item as JSON Lines, with < > as field markers.
%header
%escape json
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
%layout < >
{"id":<>,"ref":<>,"owner":<-12.12>,"name":<.12>,"sheets":<3>,"submitted":<>,"completed":<>,"state":<>,"type":<>}
%document
job-identifier
document-name
media-sheets-completed
%layout
{"doc":<>,"name":<>,"sheets":<>}
