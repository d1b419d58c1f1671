# Sourced by the benchmark scripts: write_max_route FOLDER writes the largest
# route the compiler accepts, a 1000000 m line with a curve of 600 m every
# 1000 m (right and left in turn, through every radius class), and a short
# train service, as Prova_linea.txt and Prova_1-.txt.
write_max_route() {
  awk 'BEGIN {
    printf "-- linea di prova\r\n[generale]\r\nlunghezza percorso,    1000000\r\n[curve]\r\n";
    n = 0;
    for (s = 800; s + 600 < 1000000; s += 1000) {
      printf "%s%d,  %d,  600\r\n", (n % 2 == 0 ? "curvad" : "curvas"), 1 + n % 6, s; n++;
    }
    printf "[fine]\r\nriferimento fine del file\r\n";
  }' > "$1/Prova_linea.txt"
  printf '[generale]\r\nvelocita, 0, 100\r\n[fine]\r\nriferimento fine del file\r\n' > "$1/Prova_1-.txt"
}
