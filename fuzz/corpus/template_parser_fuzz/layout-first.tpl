%layout
