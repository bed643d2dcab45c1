%header
%job
job-identifier
user-name
*submission-time "%Y"
+job-state-reasons
%layout
{3}|{-5.5}|{4}|{-300}|
