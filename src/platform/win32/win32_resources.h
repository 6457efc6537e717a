// Ids of the resources built into drape.exe (drape.rc.in), for the resource script and for the
// code that loads them. Plain defines: the resource compiler reads this file too.
#pragma once

// The program's icon, 32 x 32, and its 16 x 16 form for captions and small views.
#define DRAPE_ICON_PROGRAM 1
#define DRAPE_ICON_PROGRAM_SMALL 2
