% t = plate_model_data (model)
% The published tables of the plate-motion models that platemodel offers,
% copied digit for digit; only the unit conversions below are computed.
%
%   ITRF2020-PMM   Altamimi, Z., L. Metivier, P. Rebischung, X. Collilieux,
%                  K. Chanard and J. Barneoud (2023), ITRF2020 plate motion
%                  model, Geophys. Res. Lett. 50, e2023GL106373,
%                  doi:10.1029/2023GL106373: Table 1 (13 plates) and the
%                  origin rate bias (ORB).
%   NNR-MORVEL56   Argus, D. F., R. G. Gordon and C. DeMets (2011),
%                  Geologically current motion of 56 plates relative to the
%                  no-net-rotation reference frame, Geochem. Geophys.
%                  Geosyst. 12, Q11001, doi:10.1029/2011GC003751: Table 1
%                  (poles and rates) and Table 2 (covariances).
%
% Where the numbers were read and how they were cross-checked is in
% t.notes and in docs/toolbox.md.  ITRF2020-PMM publishes no correlations:
% its covariance here is diag (sigma .^ 2).  NNR-MORVEL56 publishes the
% pole and rate, not the Cartesian vector: omega is derived from them.
function t = plate_model_data (model)
  % The fields of T, for a model of k plates:
  %   abbrev   k x 1 cell  the model's own abbreviation (NNR-MORVEL56: lower case for the
  %                        25 MORVEL plates, upper case for the 31 Bird (2003) plates, as in
  %                        Argus et al. 2011; note 'nb' = Nubia but 'NB' = North Bismarck)
  %   abbrev4  k x 1 cell  conventional 4-letter code ('' where none is conventional)
  %   name     k x 1 cell  full plate name
  %   omega    k x 3       angular velocity about X, Y, Z, mas/yr
  %   sigma    k x 3       1-sigma of omega, mas/yr
  %   cov      3 x 3 x k   covariance of omega, (mas/yr)^2
  %   lat, lon k x 1       pole, degrees (NaN where the paper gives none)
  %   rate     k x 1       rotation rate, deg/Myr, as published
  %   origin   1 x 3       origin rate bias (ITRF2020-PMM's ORB), mm/yr; [] for NNR-MORVEL56
  %   origin_sigma 1 x 3   its 1-sigma, mm/yr; [] for NNR-MORVEL56
  %   citation char
  %   notes    char        where each column comes from and what was derived
  % Extra per-model fields: ITRF2020-PMM: nsites, rate_sigma (deg/Myr), wrms (k x 2: east,
  % north, mm/yr). NNR-MORVEL56: rate_ci95 (published 95% half-width of the rate, deg/Myr,
  % MORVEL plates only), rms (mm/yr), area (sr), cov_published (k x 6: xx xy xz yy yz zz in
  % 1e-10 rad^2/Myr^2, exactly as published).

  % 1 deg/Myr = 3.6e6 mas / 1e6 yr = 3.6 mas/yr; 1 rad/Myr = (180/pi)*3.6 mas/yr.
  degmyr2masyr = 3.6;
  radmyr2masyr = 180 / pi * 3.6;

  switch upper (model)
    case 'ITRF2020-PMM'
      % abbrev, name, NS, wx, wy, wz, sx, sy, sz (mas/yr), w, sw (deg/Myr), WRMS E, N (mm/yr)
      d = {
    'AMUR', 'Amur',            3, -0.131, -0.551,  0.837, 0.009, 0.014, 0.015, 0.281, 0.002, 0.17, 0.18;
    'ANTA', 'Antarctica',     15, -0.269, -0.312,  0.678, 0.003, 0.003, 0.004, 0.220, 0.001, 0.16, 0.24;
    'ARAB', 'Arabia',          3,  1.129, -0.146,  1.438, 0.025, 0.027, 0.016, 0.509, 0.007, 0.15, 0.11;
    'AUST', 'Australia',     118,  1.487,  1.175,  1.223, 0.003, 0.003, 0.003, 0.627, 0.001, 0.19, 0.17;
    'CARB', 'Caribbean',       5,  0.207, -1.422,  0.726, 0.076, 0.174, 0.061, 0.447, 0.053, 0.18, 0.56;
    'EURA', 'Eurasia',       143, -0.085, -0.519,  0.753, 0.003, 0.003, 0.003, 0.255, 0.001, 0.19, 0.21;
    'INDI', 'India',           4,  1.137,  0.013,  1.444, 0.008, 0.040, 0.016, 0.511, 0.005, 0.41, 0.33;
    'NAZC', 'Nazca',           3, -0.327, -1.561,  1.605, 0.006, 0.018, 0.008, 0.629, 0.003, 0.05, 0.10;
    'NOAM', 'North America', 108,  0.045, -0.666, -0.098, 0.003, 0.003, 0.003, 0.187, 0.001, 0.23, 0.31;
    'NUBI', 'Nubia',          31,  0.090, -0.585,  0.717, 0.003, 0.003, 0.004, 0.258, 0.001, 0.18, 0.21;
    'PCFC', 'Pacific',        20, -0.404,  1.021, -2.154, 0.003, 0.003, 0.004, 0.672, 0.001, 0.32, 0.30;
    'SOAM', 'South America',  59, -0.261, -0.282, -0.157, 0.004, 0.004, 0.003, 0.115, 0.001, 0.30, 0.29;
    'SOMA', 'Somalia',         6, -0.081, -0.719,  0.864, 0.014, 0.015, 0.005, 0.313, 0.004, 0.41, 0.21
      };
      k = size (d, 1);
      t.abbrev = d(:,1);
      t.abbrev4 = d(:,1);
      t.name = d(:,2);
      t.nsites = cell2mat (d(:,3));
      t.omega = cell2mat (d(:,4:6));
      t.sigma = cell2mat (d(:,7:9));
      t.cov = zeros (3, 3, k);
      for i = 1:k
        t.cov(:,:,i) = diag (t.sigma(i,:) .^ 2);
      end
      t.lat = NaN (k, 1);
      t.lon = NaN (k, 1);
      t.rate = cell2mat (d(:,10));
      t.rate_sigma = cell2mat (d(:,11));
      t.wrms = cell2mat (d(:,12:13));
      t.origin = [0.37, 0.35, 0.74];
      t.origin_sigma = [0.08, 0.10, 0.09];
      t.citation = ['Altamimi, Z., L. Metivier, P. Rebischung, X. Collilieux, K. Chanard, ' ...
                    'and J. Barneoud (2023), ITRF2020 plate motion model, Geophys. Res. ' ...
                    'Lett., 50, e2023GL106373, doi:10.1029/2023GL106373 (Table 1: rotation ' ...
                    'poles; ORB: origin rate bias)'];
      t.notes = ['omega: Table 1 mas/yr, cross-checked against PROJ data/ITRF2020 and ' ...
                 'itrf.ign.fr ITRF2020-PMM.dat (deg/Myr x 3.6, all within 0.0005). sigma, ' ...
                 'rate, rate_sigma, nsites, wrms, origin_sigma: transcription of Table 1 in ' ...
                 'MintPy/PyPMM (single source). ANTA wy = -0.312 (PROJ, .dat -0.0866 deg/Myr, ' ...
                 'rate 0.220); MintPy/PyPMM have -0.321 (typo). cov = diag(sigma.^2): no ' ...
                 'full covariance found. lat/lon: not in the table.'];

    case 'NNR-MORVEL56'
      % abbrev, abbrev4, name, lat (N), lon (E), rate (deg/Myr), rate 95% (deg/Myr),
      % RMS (mm/yr), area (sr), covariance xx xy xz yy yz zz (1e-10 rad^2/Myr^2)
      d = {
    'am', 'AMUR', 'Amur', 63.17, -122.82, 0.297, 0.020, 28.1, 0.1307, 223, -67, -102, 376, 309, 535;
    'an', 'ANTA', 'Antarctica', 65.42, -118.11, 0.250, 0.008, 15.2, 1.4327, 49, 32, -20, 34, -10, 36;
    'ar', 'ARAB', 'Arabia', 48.88, -8.49, 0.559, 0.016, 47.6, 0.1208, 208, 182, 112, 398, 104, 87;
    'au', 'AUST', 'Australia', 33.86, 37.94, 0.632, 0.017, 63.1, 0.9214, 137, 68, 66, 116, 2, 134;
    'cp', '', 'Capricorn', 44.44, 23.09, 0.608, 0.019, 66.2, 0.2036, 197, 105, 68, 696, -378, 370;
    'ca', 'CARB', 'Caribbean', 35.20, -92.62, 0.286, 0.023, 14.9, 0.0730, 106, -137, 12, 485, -41, 165;
    'co', '', 'Cocos', 26.93, -124.31, 1.198, 0.045, 74.6, 0.0722, 774, 273, -616, 1036, -367, 613;
    'eu', 'EURA', 'Eurasia', 48.85, -106.50, 0.223, 0.009, 22.8, 1.1963, 68, 5, 7, 65, 14, 87;
    'in', 'INDI', 'India', 50.37, -3.29, 0.544, 0.010, 57.6, 0.3064, 65, 80, 32, 451, 59, 49;
    'jf', '', 'Juan de Fuca', -38.31, 60.04, 0.951, 0.256, 17.4, 0.0063, 10237, 13370, -15644, 17958, -20659, 25637;
    'lw', '', 'Lwandle', 51.89, -69.52, 0.286, 0.026, 26.5, 0.1171, 312, 257, -382, 281, -324, 517;
    'mq', '', 'Macquarie', 49.19, 11.05, 1.144, 0.274, 49.5, 0.0079, 14827, -6847, 27711, 3509, -13202, 52672;
    'nz', 'NAZC', 'Nazca', 46.23, -101.06, 0.696, 0.029, 70.0, 0.3967, 75, 147, -121, 564, -199, 332;
    'na', 'NOAM', 'North America', -4.85, -80.64, 0.209, 0.013, 19.8, 1.3657, 59, -30, -18, 119, 54, 108;
    'nb', 'NUBI', 'Nubia', 47.68, -68.44, 0.292, 0.007, 29.2, 1.4406, 31, 0, -27, 74, 13, 54;
    'pa', 'PCFC', 'Pacific', -63.58, 114.70, 0.651, 0.011, 65.5, 2.5768, 43, 31, -5, 245, 8, 72;
    'ps', '', 'Philippine Sea', -46.02, -31.36, 0.910, 0.050, 52.6, 0.1341, 955, -960, -578, 1358, 644, 468;
    'ri', '', 'Rivera', 20.25, -107.29, 4.536, 0.630, 11.8, 0.0025, 23657, 77569, -28379, 257086, -93915, 35257;
    'sw', '', 'Sandwich', -29.94, -36.87, 1.362, 0.744, 72.6, 0.0045, 130549, -65658, -228089, 35925, 116372, 402768;
    'sc', '', 'Scotia', 22.52, -106.15, 0.146, 0.016, 16.2, 0.0419, 244, -296, -756, 520, 1161, 3784;
    'sm', 'SOMA', 'Somalia', 49.95, -84.52, 0.339, 0.011, 31.0, 0.3548, 32, 47, -2, 163, -6, 37;
    'sa', 'SOAM', 'South America', -22.62, -112.83, 0.109, 0.011, 10.6, 1.0034, 42, 0, -26, 62, 50, 102;
    'su', 'SUND', 'Sunda', 50.06, -95.02, 0.337, 0.020, 32.2, 0.2197, 216, -131, 21, 943, 185, 190;
    'sr', '', 'Sur', -32.50, -111.32, 0.107, 0.028, 11.0, 0.0271, 1590, -158, -2228, 93, 322, 3340;
    'yz', '', 'Yangtze', 63.03, -116.62, 0.334, 0.013, 36.5, 0.0542, 178, -12, 17, 283, 105, 203;
    'AS', '', 'Aegean Sea', 19.43, 122.87, 0.124, NaN, 13.7, 0.0079, 1722, 99, -4, 2210, 104, 1842;
    'AP', '', 'Altiplano', -6.58, -83.98, 0.488, NaN, 16.9, 0.0205, 1678, 52, -64, 2240, 162, 1827;
    'AT', '', 'Anatolia', 40.11, 26.66, 1.210, NaN, 14.0, 0.0142, 1721, 100, -3, 2209, 105, 1840;
    'BR', '', 'Balmoral Reef', -63.74, 142.06, 0.490, NaN, 44.1, 0.0048, 1583, 31, -4, 1783, 8, 1611;
    'BS', '', 'Banda Sea', -1.49, 121.64, 2.475, NaN, 33.1, 0.0171, 1777, -246, 40, 2748, 135, 1876;
    'BH', '', 'Birds Head', -40.00, 100.50, 0.799, NaN, 66.2, 0.0129, 6008, -54, 88, 6224, -56, 6110;
    'BU', '', 'Burma', -6.13, -78.10, 2.229, NaN, 40.3, 0.0127, 1776, -243, 40, 2750, 136, 1877;
    'CL', '', 'Caroline', -72.78, 72.05, 0.607, NaN, 67.3, 0.0376, 2489, -967, -579, 2890, 645, 1994;
    'CR', '', 'Conway Reef', -20.40, 170.53, 3.923, NaN, 33.9, 0.0036, 1698, -45, 88, 1911, -56, 1807;
    'EA', '', 'Easter', 24.97, 67.53, 11.334, NaN, 44.9, 0.0041, 4349, 307, -117, 5751, -428, 4544;
    'FT', '', 'Futuna', -16.33, 178.07, 5.101, NaN, 41.9, 0.0008, 1698, -45, 88, 1912, -56, 1808;
    'GP', '', 'Galapagos', 2.53, 81.18, 5.487, NaN, 55.9, 0.0004, 1685, 305, -117, 3084, -430, 1879;
    'JZ', '', 'Juan Fernandez', 34.25, 70.74, 22.368, NaN, 86.8, 0.0024, 5335, 306, -117, 6736, -428, 5530;
    'KE', '', 'Kermadec', 39.99, 6.46, 2.347, NaN, 45.4, 0.0124, 1696, -45, 90, 1908, -56, 1805;
    'MN', '', 'Manus', -3.67, 150.27, 51.569, NaN, 55.8, 0.0002, 2964, 31, -5, 3165, 8, 2993;
    'MO', '', 'Maoke', 14.25, 92.67, 0.774, NaN, 64.4, 0.0028, 1697, -45, 88, 1912, -56, 1808;
    'MA', '', 'Mariana', 11.05, 137.84, 1.306, NaN, 26.7, 0.0104, 2493, -962, -579, 2895, 645, 2005;
    'MS', '', 'Molucca Sea', 2.15, -56.09, 3.566, NaN, 20.9, 0.0103, 1778, -245, 40, 2749, 135, 1878;
    'NH', '', 'New Hebrides', 0.57, -6.60, 2.469, NaN, 84.0, 0.0159, 1582, 30, -3, 1779, 7, 1607;
    'NI', '', 'Niuafo''ou', -3.29, -174.49, 3.314, NaN, 86.2, 0.0031, 3567, -45, 89, 3779, -56, 3675;
    'ND', '', 'North Andes', 17.73, -122.68, 0.116, NaN, 9.6, 0.0239, 1677, 52, -63, 2241, 160, 1825;
    'NB', '', 'North Bismarck', -45.04, 127.64, 0.856, NaN, 69.0, 0.0096, 1582, 30, -5, 1782, 8, 1609;
    'OK', '', 'Okhotsk', 30.30, -92.28, 0.229, NaN, 25.0, 0.0748, 1678, 17, -46, 2282, 93, 1824;
    'ON', '', 'Okinawa', 36.12, 137.92, 2.539, NaN, 61.8, 0.0080, 1745, -125, 40, 2090, 53, 1905;
    'PM', '', 'Panama', 31.35, -113.90, 0.317, NaN, 21.6, 0.0067, 1788, -82, -11, 2841, 61, 1936;
    'SL', '', 'Shetland', 50.71, -143.47, 0.268, NaN, 22.5, 0.0018, 1640, 132, 0, 2094, 10, 1708;
    'SS', '', 'Solomon Sea', -2.87, 130.62, 1.703, NaN, 71.9, 0.0032, 1698, -45, 88, 1912, -56, 1807;
    'SB', '', 'South Bismarck', 6.88, -31.89, 8.111, NaN, 48.3, 0.0076, 6528, 26, -4, 6724, 7, 6548;
    'TI', '', 'Timor', -4.44, 113.50, 1.864, NaN, 47.8, 0.0087, 2612, -245, 40, 3583, 135, 2712;
    'TO', '', 'Tonga', 25.87, 4.48, 8.942, NaN, 121.8, 0.0062, 7857, -44, 92, 8062, -55, 7959;
    'WL', '', 'Woodlark', 0.10, 128.52, 1.744, NaN, 66.6, 0.0112, 1697, -47, 88, 1910, -56, 1805
      };
      k = size (d, 1);
      t.abbrev = d(:,1);
      t.abbrev4 = d(:,2);
      t.name = d(:,3);
      t.lat = cell2mat (d(:,4));
      t.lon = cell2mat (d(:,5));
      t.rate = cell2mat (d(:,6));
      t.rate_ci95 = cell2mat (d(:,7));
      t.rms = cell2mat (d(:,8));
      t.area = cell2mat (d(:,9));
      t.cov_published = cell2mat (d(:,10:15));
      % The paper gives no Cartesian components: derived here from the pole and rate.
      la = t.lat * pi / 180;
      lo = t.lon * pi / 180;
      w = t.rate * degmyr2masyr;
      t.omega = [w .* cos(la) .* cos(lo), w .* cos(la) .* sin(lo), w .* sin(la)];
      s = 1e-10 * radmyr2masyr ^ 2;
      t.cov = zeros (3, 3, k);
      for i = 1:k
        c = t.cov_published(i,:);
        t.cov(:,:,i) = s * [c(1), c(2), c(3); c(2), c(4), c(5); c(3), c(5), c(6)];
      end
      t.sigma = sqrt ([squeeze(t.cov(1,1,:)), squeeze(t.cov(2,2,:)), squeeze(t.cov(3,3,:))]);
      t.origin = [];
      t.origin_sigma = [];
      t.citation = ['Argus, D. F., R. G. Gordon, and C. DeMets (2011), Geologically current ' ...
                    'motion of 56 plates relative to the no-net-rotation reference frame, ' ...
                    'Geochem. Geophys. Geosyst., 12, Q11001, doi:10.1029/2011GC003751 ' ...
                    '(Table 1: angular velocities; Table 2: covariances)'];
      t.notes = ['lat/lon/rate/area: MintPy NNR_MRV56.csv (from geoscience.wisc.edu MORVEL ' ...
                 'site), identical in GeodePy NNR-MORVEL56_poles.txt, MintPy euler_pole.py, ' ...
                 'PyPMM models.py, midgard. rate_ci95, rms (MORVEL plates): midgard copy of ' ...
                 'Table 1; rms (Bird plates): GeodePy. cov: Table 2 as transcribed in PyPMM ' ...
                 'morvel56_cov.txt (1e-10 rad^2/Myr^2; MS matches JPL file of D. Argus); ' ...
                 'rate_ci95 = 1.96 x the rate sigma implied by cov. omega, sigma: derived.'];

    otherwise
      error ('plate_model_data:model', ...
             'plate_model_data: unknown model ''%s'' (ITRF2020-PMM or NNR-MORVEL56)', model);
  end
end
