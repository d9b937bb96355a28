IGOR
WAVES x y
BEGIN
1 2
END
BEGIN
3 4

BEGIN
X Display y vs x
END
END
X AppendToGraph vs x
X Display y x
