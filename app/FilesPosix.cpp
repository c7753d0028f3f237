// File replacement on POSIX systems.
