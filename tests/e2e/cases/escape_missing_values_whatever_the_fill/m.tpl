%header
%job
job-identifier
media-sheets-completed
%escape csv
media-sheets-completed
*submission-time "%H:%M"
+job-state-reasons
%escape json
*completion-time "%H:%M"
+job-state-reasons
%layout
{}:{.3}:{5}:{-6}:{}:{6}:{}
! Back to none at the end, so that the second reading of a -t file starts
! as the first: its first two items stay unescaped.
%escape none
