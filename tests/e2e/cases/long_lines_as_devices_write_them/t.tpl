%header
Job  Owner    Sheets State
%job
job-identifier
user-name
media-sheets-completed
job-state-reasons
job-name
%layout
{-4} {-8.8} {6} {-5.5}
  {.24}...
%document
$job-identifier "#"
document-uri
media-sheets-completed
%layout
  {-5} {.30}... {}
