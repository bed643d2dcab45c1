%job
user-name
%layout
not this {}
