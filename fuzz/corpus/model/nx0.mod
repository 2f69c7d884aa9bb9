NARV 1.0.0.0
Dissolved only
0
 3  0  2
S Oxygen      O2
S Substrate   COD
S Product     COD
Aeration
Conversion of substrate       
Aeration
 0  0  0 Type S
Type X
 0  0  0 Compound 2 S
Compound 2 X
 0.000000E+0000  0.000000E+0000  0.000000E+0000 Nue S
Nue X
 0.000000E+0000 Rate
 0.000000E+0000  0.000000E+0000  0.000000E+0000 Ks
Kx
Conversion of substrate       
 3  2  0 Type S
Type X
 0  0  0 Compound 2 S
Compound 2 X
-5.000000E-0002 -1.000000E+0000  9.500000E-0001 Nue S
Nue X
 1.250000E+0001 Rate
 2.000000E-0001  5.000000E-0001  0.000000E+0000 Ks
Kx
Temperature koefficients
Conversion of substrate       
 6.931472E-0002 Rate
 0.000000E+0000 -1.000000E-0002  0.000000E+0000 Ks
Kx
Base temperature
 1.500000E+0001
Influent concentrations
  0.000000E+0000  3.000000E+0002  0.000000E+0000 S
 X
Typical initial conditions
  2.000000E+0000  1.000000E+0001  1.234568E-0012 S
 X
