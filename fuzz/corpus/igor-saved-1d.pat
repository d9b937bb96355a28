IGOR
WAVES/O/T labels
BEGIN
"one; two"
"END"
END
WAVES/D 'TS1_rough1_026_and_more', count
BEGIN
0.5	3
0.25	4

0.125	5
END
X SetScale/I x, 1, 8, "Step", 'TS1_rough1_026_and_more'; Note count, "SetScale/P x 9,9"
X SetScale x 0, 10, "", count
WAVES/N=(2,2,2) cube
BEGIN
1 2
3 4

5 6
7 8
END
WAVES/C z
BEGIN
1 2
END
