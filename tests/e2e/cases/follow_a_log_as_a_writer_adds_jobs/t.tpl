%header
Jobs:
%job
job-identifier
user-name
%layout
job {} {}
%document
document-name
%layout
  doc {}
%trailer
never written
