! One line per job, its state reasons and documents under it.
%header
Job   Owner        Sheets  Completed
%trailer
-- end --
%time "%Y-%m-%d %H:%M"
%job
job-identifier
user-name
media-sheets-completed
*completion-time
+job-state-reasons
%layout
{-5} {-12.12} {6.6}  {16}
 [{}]
%document
$job-identifier "#"
document-name
%layout
  doc {-5} {}
