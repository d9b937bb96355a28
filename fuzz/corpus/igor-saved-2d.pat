IGOR
WAVES/D/N=(4,3) finecut
BEGIN
	1	2	3
	4	5	6
	7	8	9
	10	11	12
END
X SetScale/P x -1,0.5,"", finecut; SetScale/P y 0,1,"", finecut
X SetScale d 0,0,"counts", finecut
WAVES/S/N=(3,20) 'wide image'
BEGIN
1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20
2 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2 2
0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1e308 1e308
END
X SetScale/I x 5, 9, "eV", 'wide image'
