IGOR
X SetAxis bottom 10, 11
X SetAxis left 5
X SetAxis/A left
X SetAxis
X SetAxis top 3 2 1 0
X SETAXIS BOTTOM -1e308, 1e308
