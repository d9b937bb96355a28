IGOR
WAVES a, b
BEGIN
1 2
END
X ModifyGraph mode=4, marker(a)=10
X ModifyGraph rgb(b)=($FFFF,$8000,255), msize(b)=-3, mrkThick(b)=1e400
X ModifyGraph offset(a)={1.5}, lsize(zz)=3, rgb(a)=(1,2
X MODIFYGRAPH LSIZE(A)=NaN
