%header
header line
%job
%layout
%document
document-name
%layout
{-20}
