%header
%job
+job-identifier
*job-identifier "%Y"
$user-name "#"
%layout
{}|{}|{}|
