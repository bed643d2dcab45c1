%header
%job
job-identifier
record-offset
%layout
job {} @{}
%document
job-identifier
%layout
  doc {}
