! identifiers three ways, every state reason, documents under their job
%header
Jobs:
%job
job-identifier
$job-identifier "job # of $"
$job-identifier
user-name
+job-state-reasons
%layout
[{4}] {-14} {-6} {-5}
  {-12}|
%document
document-name
%layout
  doc {-8}
%trailer
(end)
