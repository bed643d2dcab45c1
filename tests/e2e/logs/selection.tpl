! one line per job with every state reason, its documents under it
%header
--
%job
job-identifier
user-name
+job-state-reasons
%layout
{} {} {}
%document
document-name
%layout
  doc {}
%trailer
==
