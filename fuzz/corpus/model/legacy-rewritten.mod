Old Version 2.1
Growth model from an old file
5
Growth model
for the oldest layout
   3

fifth remark
 2  1  2
S Oxygen      O2
S Substrate   COD
X Biomass     COD
Aeration                      
Growth
Aeration                      
 0  0 Type S
 0 Type X
 0  0 Compound 2 S
 0 Compound 2 X
 0.000000E+0000  0.000000E+0000 Nue S
 0.000000E+0000 Nue X
 1.000000E+0000 Rate
 0.000000E+0000  0.000000E+0000 Ks
 0.000000E+0000 Kx
Growth
 3  0 Type S
 1 Type X
 0  0 Compound 2 S
 0 Compound 2 X
-1.000000E+0000 -4.000000E-0001 Nue S
 1.000000E+0000 Nue X
 2.000000E+0000 Rate
 1.000000E+0001  0.000000E+0000 Ks
 0.000000E+0000 Kx
Temperature koefficients
Growth
 6.931472E-0002 Rate
 0.000000E+0000  0.000000E+0000 Ks
 0.000000E+0000 Kx
Base temperature
 2.000000E+0001
Influent concentrations
  0.000000E+0000  2.000000E+0002 S
  1.000000E+0001 X
Typical initial conditions
  2.000000E+0000  5.000000E+0001 S
  1.000000E+0003 X
