IGOR
WAVES/D tth, int1, int2
BEGIN
	10.0	100	50
	10.5	120	60
	11.0	90	70
END
X Display int1, int2 vs tth
X ModifyGraph mode(int1)=4, marker(int1)=10, rgb(int1)=(0,0,65535)
X ModifyGraph offset(int2)={0,20}, lsize(int2)=2
X SetAxis bottom 10, 11
X SetAxis left 0, 150
X Label left Intensity
