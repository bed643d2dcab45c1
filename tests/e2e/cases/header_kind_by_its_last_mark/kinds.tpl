! A header line is a job when its last mark is a colon, a document when it is a dot.
%header
%job
user-name
%layout
job {}
%document
document-name
%layout
doc {}
