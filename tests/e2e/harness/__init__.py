"""End-to-end harness: Wine prefixes, a virtual display, and the Windows-side driver."""
