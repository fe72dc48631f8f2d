// The PNG encoder's rows of the bench: synthetic room pictures encoded by the
// tool, against zlib's level 9 on the same filtered rows.
#pragma once

// Prints the rows; the bench is linked with zlib for them.
void PrintPngRows();
