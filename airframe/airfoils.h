// Airfoil coefficient functions the host calls for the two airfoils.
#pragma once

void vlift_coeff(double aoa, double M, double Re, double* cl, double* cm, double* cd);
void hlift_coeff(double beta, double M, double Re, double* cl, double* cm, double* cd);
