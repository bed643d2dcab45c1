! compact.tpl: one line per job.
!   jobview -t examples/compact.tpl examples/sample.log
! Documents are not shown: this template has no document section.
%header
  Job Owner            State                      Sheets        Completed
%job
job-identifier
user-name
job-state-reasons
media-sheets-completed
*completion-time "%Y-%m-%d %H:%M"
! Each field {width} stands where its value goes; text between fields is
! printed as it stands. The widths are those of printf's %s.
%layout
{5.5} {-16.16} {-26.26} {6.6} {16}
