! Twenty columns a job on one line, for scripts that cut at '|':
! plain values, two identifier patterns, two times and two repeated values.
%header
id|job|owner|type|state|sheets|docs|copies|octets|proc|submitted|completed|host|prio|acct|impr|reasons|messages|uuid|name
%job
job-identifier
$job-identifier "$/#"
user-name
job-type
job-state
media-sheets-completed
number-of-documents
job-copy-count
total-job-octets
processing-time
*submission-time "%Y-%m-%d %H:%M:%S"
*completion-time
job-originating-host-name
job-priority
job-account-id
job-impressions-completed
+job-state-reasons
+job-message
job-uuid
job-name
%layout
{6}|{-16}|{-12.12}|{-7}|{-9}|{6}|{3}|{4}|{10}|{5}|{19}|{15}|{-16}|{3}|{5}|{5}|{-26}|{-20.20}|{-30.30}|{-40}
