IGOR
WAVES v
BEGIN
1e400
NaN
INF
-0
.5
5.
1e
+.e3
0x10
$10
1.2.3
  -7  
4.9e-324
1,5
END
