! every kind of line
%time "%Y-%m-%d"
%header
 Ident  Owner \
  continued\tand\\escaped
%trailer
end\n
%job
job-identifier
$job-identifier "$:#"
+job-state-reasons
*submission-time "%H:%M"
7bad-indicator
%layout [ ]
[6.6] [-20]
<[-10.5]> [16]
[x]
%document
document-name
%layout
{-20.20}
%separator
----
%JOB
