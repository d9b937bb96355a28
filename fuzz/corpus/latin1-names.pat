IGOR
WAVES été, ÿþ, "q\
BEGIN
1 2 3
END
X Display ÉTÉ vs ÿþ
