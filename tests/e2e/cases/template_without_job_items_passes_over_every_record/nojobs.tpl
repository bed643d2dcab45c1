%header
header line
%job
%layout
%document
document-name
%layout
{-20}
%trailer
trailer line
