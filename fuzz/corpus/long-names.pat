IGOR
WAVES abcdefghijklmnop abcdefghijklmnopqrst int INT
BEGIN
1 2 3 4
END
X Display int vs abcdefghijklmnop
X Display abcdefghijklmnopqrst vs INT
