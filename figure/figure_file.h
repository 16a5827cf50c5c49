// vecman.dat: the player figure.
#pragma once

int InitVectorMan();
