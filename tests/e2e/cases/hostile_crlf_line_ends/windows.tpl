%header
Title
%job
user-name
%layout
{-5}
