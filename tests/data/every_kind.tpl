! every kind of value
%header
Ident|Job|Owner 100% sure
\n
%job
$job-identifier "$/#"
job-identifier
$job-identifier ""
$job-identifier "job # of $, #$#"
+job-identifier
user-name
+job-state-reasons
*submission-time "%Y-%m-%d %H:%M:%S"
*completion-time
+job-message
job-name
*job-printer-state-message "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx%Y"
number-of-documents
job-account-id
no-such-attribute
+no-such-repeated
*no-such-time "%d.%m.%Y"
$user-name "#"
*job-uuid "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy%Y"
*job-identifier "%S"
*job-state-reasons
$job-identifier "$|$|#"
%layout
{-12}|{}|{.0}|{--20}|{3.1}[{-10.10}]
 reasons:{-30.30};
  sub {20} done {0-18} msg<{.12}>
  name={000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000007}| long={8}
  docs {00003} acct {-.3} none {4.2} rep {5} when {12} who {-.4} mid {30}
{3}/{-20}/{}
%document
job-identifier
$job-identifier "#"
document-name
*time-at-completed "%H:%M"
+document-message
missing-in-documents
%layout
  doc {8}:{-3} {-20.20}| {12}<{-40}>{6.6}
%trailer
== end ==
