%header
Jobs:
%job
job-identifier
u
%layout
job {-6.6} {-8.8}
%document
document-name
%layout
  doc {-8.8}
