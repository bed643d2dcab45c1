! Two- three- and four-byte characters cut at every offset, then stray
! continuation bytes: the csv items, then the json ones.
%header
%escape csv
%job
job-name
job-name
job-name
job-name
job-name
job-name
job-name
job-name
job-name
job-name
job-name
job-name
%escape json
job-name
job-name
job-name
job-name
job-name
job-name
job-name
job-name
job-name
job-name
job-name
job-name
%layout
{.0}|{.1}|{.2}|{.3}|{.4}|{.5}|{.6}|{.7}|{.8}|{.9}|{5.4}|{-5.4}
{.0}|{.1}|{.2}|{.3}|{.4}|{.5}|{.6}|{.7}|{.8}|{.9}|{5.4}|{-5.4}
