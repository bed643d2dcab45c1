! joblog.tpl: the built-in display written as a template, a starting point
! for your own. Put it in the current directory or under $SESSPATH as
! joblog.tpl, or name it with -t or JLOG_TEMPLATE.
!
! '!' starts a comment, which also takes the line's newline with it: a text
! that must not end its output line ends in '!'. Blank lines are skipped, so
! an empty output line is written as the escape \n. A '!' after trailing
! blanks keeps an editor from trimming them.

%header
! A rule of '=' with an empty line above it.
\n================================================================================
       Owner                            JobType  MediaCnt DocCnt   Submitted
 Ident Status                           ProcTime   Size    Copy    Completed!
\n================================================================================

%job
! One attribute per line, in display order. '*' marks a time, shown through
! the strftime format between the quotes.
job-identifier
user-name
job-type
media-sheets-completed
number-of-documents
*submission-time "%h %d, %H:%M:%S"
job-state-reasons
processing-time
total-job-octets
job-copy-count
*completion-time "%h %d, %H:%M:%S"
job-name

%layout
! One field per line, so that the text after each field is its trailing
! text: a job fills three output lines and a dashed rule. Text before a field
! on its line would be that item's leading text instead.
{6.6} !
{-32.32} !
{7.7}    !
{6.6}  !
{3.3}  !
{16}\n       !
{-32.32} !
{7.7}  !
{8.8}  !
{3.3}  !
{16}\n      *!
{-72}\n--------------------------------------------------------------------------------
