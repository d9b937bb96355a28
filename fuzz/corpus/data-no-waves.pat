IGOR
END
BEGIN
1 2 3
END
X Display a vs b
