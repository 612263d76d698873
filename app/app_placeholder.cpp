// Keeps the library non-empty until its first real source file arrives.
