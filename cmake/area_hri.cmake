# Sources, tests, benchmarks and fuzz targets of this area are listed here.
