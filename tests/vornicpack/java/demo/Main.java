package demo;

// The main class of the packer's test jars, compiled for Java 8 and for Java 17.
public class Main {
    public static void main(String[] args) {
        System.out.println("demo");
    }
}
