// Routines exported by name from the executable, with the calling convention
// of a Fortran host: every argument by reference, the lengths of character
// arguments appended at the end, character results in a buffer given first.
