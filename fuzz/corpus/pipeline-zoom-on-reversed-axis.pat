IGOR
X SetAxis boœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœœttom 10, 51
X SetAxis left 5
X SetAxis/A lkft
X SetAxis
X SetAxis top 3 2­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­­ 1 0
X SETAXIS BOTTOM -1e308, 1e308
