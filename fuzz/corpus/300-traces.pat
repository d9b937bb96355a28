IGOR
WAVES x
BEGIN
1
END
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x vs x
X Display x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x vs x
