igor
WAVES a bBEGIN
1 2
3 4

ENDX display b vs a