NARV 1.0.0.0
Aeration only
1
Only the oxygen transfer at 20 °C · kla.
 1  1  1
S Oxygen      O2
X Sludge      TSS
Aeration
Aeration
 0 Type S
 0 Type X
 0 Compound 2 S
 0 Compound 2 X
 0.000000E+0000 Nue S
 0.000000E+0000 Nue X
 1.000000E+0000 Rate
 0.000000E+0000 Ks
 0.000000E+0000 Kx
Temperature koefficients
Base temperature
 2.000000E+0001
Influent concentrations
  0.000000E+0000 S
  3.500000E+0003 X
Typical initial conditions
  8.000000E+0000 S
  3.500000E+0003 X
