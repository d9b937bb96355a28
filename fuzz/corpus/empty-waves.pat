IGOR
WAVES/D
BEGIN
1 2
3 4
END
WAVES x
BEGIN
5
END
X Display x vs x
