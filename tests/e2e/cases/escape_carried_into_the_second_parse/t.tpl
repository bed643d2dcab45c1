! The escaping in force at the end of the first reading of a -t file is in
! force at the start of the second: there the items above the escape line
! are written as csv too. Read once (JLOG_TEMPLATE), they are not.
%header
%job
job-identifier
user-name
user-name
%escape csv
job-name
%layout
{}|{.6}|{.2}|{.8}
